# The program as a whole, driven by scripts: the installed program finds its
# data and its video module (the script moves the build's away for a moment,
# so no other test may run beside it), and Ctrl+C or SIGTERM while a dialog is
# open.
add_test(NAME app.installed_program_finds_its_data
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/install_test.sh ${CMAKE_BINARY_DIR}
                 ${VORN_DATA_DIR} $<TARGET_FILE:vorn_video>)
set_tests_properties(app.installed_program_finds_its_data PROPERTIES RUN_SERIAL TRUE
                     TIMEOUT 300)
add_test(NAME app.signal_during_a_dialog
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/stop_signal_test.sh $<TARGET_FILE:vorn>
                 ${VORN_DATA_DIR})
set_tests_properties(app.signal_during_a_dialog PROPERTIES TIMEOUT 120 SKIP_RETURN_CODE 77)


# --help, the manual page and the bash completion list the same options.
add_test(NAME app.help_manual_and_completion_agree
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/options_doc_test.sh $<TARGET_FILE:vorn>
                 ${CMAKE_BINARY_DIR}/packaging/vorn.6
                 ${CMAKE_SOURCE_DIR}/packaging/vorn.bash-completion)
# The Debian package, built by make package in <build>/package and checked as
# a user gets it (it moves the build's data and module away for a moment, so
# no other test may run beside it). A sanitizer build adds nothing to it.
if(NOT VORN_SANITIZE)
  add_test(NAME app.debian_package
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/app/package_test.sh ${CMAKE_SOURCE_DIR}
                   ${CMAKE_BINARY_DIR} ${PROJECT_VERSION} ${VORN_DATA_DIR}
                   $<TARGET_FILE:vorn_video>)
  set_tests_properties(app.debian_package PROPERTIES RUN_SERIAL TRUE TIMEOUT 1500
                       SKIP_RETURN_CODE 77)
endif()
