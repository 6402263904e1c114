# CMake generated Testfile for 
# Source directory: /work/h74/tests/runtime/vm
# Build directory: /work/h74/build-unity/tests/runtime/vm
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/runtime/vm/test_runtime_vm[1]_include.cmake")
add_test([=[whole.test_runtime_vm]=] "/work/h74/build-unity/tests/runtime/vm/test_runtime_vm")
set_tests_properties([=[whole.test_runtime_vm]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/runtime/vm" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/runtime/vm/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/runtime/vm/CMakeLists.txt;0;")
