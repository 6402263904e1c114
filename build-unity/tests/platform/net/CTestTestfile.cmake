# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/net
# Build directory: /work/h74/build-unity/tests/platform/net
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/net/test_platform_net[1]_include.cmake")
add_test([=[whole.test_platform_net]=] "/work/h74/build-unity/tests/platform/net/test_platform_net")
set_tests_properties([=[whole.test_platform_net]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/net" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/net/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/net/CMakeLists.txt;0;")
