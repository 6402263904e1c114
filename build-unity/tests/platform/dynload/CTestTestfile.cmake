# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/dynload
# Build directory: /work/h74/build-unity/tests/platform/dynload
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/dynload/test_platform_dynload[1]_include.cmake")
add_test([=[whole.test_platform_dynload]=] "/work/h74/build-unity/tests/platform/dynload/test_platform_dynload")
set_tests_properties([=[whole.test_platform_dynload]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/dynload" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/dynload/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/dynload/CMakeLists.txt;0;")
