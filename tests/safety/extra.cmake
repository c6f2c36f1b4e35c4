# The whole show's flash check, with and without the gentle mode: the show
# played twice without output (slow; about a minute and a half in a release
# build).
add_test(NAME safety.whole_show_flash_check
         COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/safety/whole_show_test.sh $<TARGET_FILE:vorn>
                 ${VORN_DATA_DIR})
set_tests_properties(safety.whole_show_flash_check PROPERTIES LABELS slow TIMEOUT 1800)
