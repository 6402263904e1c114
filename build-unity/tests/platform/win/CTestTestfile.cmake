# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/win
# Build directory: /work/h74/build-unity/tests/platform/win
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/win/test_platform_win[1]_include.cmake")
add_test([=[whole.test_platform_win]=] "/work/h74/build-unity/tests/platform/win/test_platform_win")
set_tests_properties([=[whole.test_platform_win]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/win" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/win/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/win/CMakeLists.txt;0;")
add_test([=[platform_win_display]=] "/usr/bin/xvfb-run" "-a" "/work/h74/build-unity/tests/platform/win/test_platform_win_display")
set_tests_properties([=[platform_win_display]=] PROPERTIES  ENVIRONMENT "LSAN_OPTIONS=suppressions=/work/h74/tests/platform/win/display/lsan.supp" LABELS "platform;platform/win" RESOURCE_LOCK "xvfb_run" TIMEOUT "120" _BACKTRACE_TRIPLES "/work/h74/tests/platform/win/CMakeLists.txt;11;add_test;/work/h74/tests/platform/win/CMakeLists.txt;0;")
