# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/dshow
# Build directory: /work/h74/build-unity/tests/platform/dshow
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/dshow/test_platform_dshow[1]_include.cmake")
add_test([=[whole.test_platform_dshow]=] "/work/h74/build-unity/tests/platform/dshow/test_platform_dshow")
set_tests_properties([=[whole.test_platform_dshow]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/dshow" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/dshow/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/dshow/CMakeLists.txt;0;")
