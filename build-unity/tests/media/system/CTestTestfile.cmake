# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/system
# Build directory: /work/h74/build-unity/tests/media/system
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/system/test_media_system[1]_include.cmake")
add_test([=[whole.test_media_system]=] "/work/h74/build-unity/tests/media/system/test_media_system")
set_tests_properties([=[whole.test_media_system]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/system" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/system/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/system/CMakeLists.txt;0;")
add_test([=[media_system_display]=] "/usr/bin/xvfb-run" "-a" "/work/h74/build-unity/tests/media/system/test_media_system_display")
set_tests_properties([=[media_system_display]=] PROPERTIES  ENVIRONMENT "LSAN_OPTIONS=suppressions=/work/h74/tests/platform/win/display/lsan.supp" LABELS "media;media/system" RESOURCE_LOCK "xvfb_run" TIMEOUT "120" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/system" _BACKTRACE_TRIPLES "/work/h74/tests/media/system/CMakeLists.txt;11;add_test;/work/h74/tests/media/system/CMakeLists.txt;0;")
