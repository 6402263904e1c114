# CMake generated Testfile for 
# Source directory: /work/h74/tests/tools
# Build directory: /work/h74/build-unity/tests/tools
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/tools/test_tools[1]_include.cmake")
add_test([=[whole.test_tools]=] "/work/h74/build-unity/tests/tools/test_tools")
set_tests_properties([=[whole.test_tools]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/tools" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/tools/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/tools/CMakeLists.txt;0;")
