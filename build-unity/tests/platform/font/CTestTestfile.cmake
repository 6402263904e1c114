# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/font
# Build directory: /work/h74/build-unity/tests/platform/font
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/font/test_platform_font[1]_include.cmake")
add_test([=[whole.test_platform_font]=] "/work/h74/build-unity/tests/platform/font/test_platform_font")
set_tests_properties([=[whole.test_platform_font]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/font" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/font/CMakeLists.txt;3;halvorine_tests;/work/h74/tests/platform/font/CMakeLists.txt;0;")
