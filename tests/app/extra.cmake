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

