// Yes/No questions, choices and error reports as SDL message boxes.
#pragma once
#include "show/platform.h"

class SdlDialogs : public Dialogs {
  public:
    bool ask_yes_no(const char* text, const char* caption) override;
    int choose(const char* text, const char* caption,
               const std::vector<std::string>& buttons) override;
    void show_error(const char* caption, const char* text) override;
};
