// SDL itself for the live show: set up when constructed (no subsystem yet;
// the display and the audio device start their own) and shut down when the
// object goes, after everything that used it.
#pragma once

class SdlLibrary {
  public:
    SdlLibrary();
    ~SdlLibrary();
    SdlLibrary(const SdlLibrary&) = delete;
    SdlLibrary& operator=(const SdlLibrary&) = delete;
};
