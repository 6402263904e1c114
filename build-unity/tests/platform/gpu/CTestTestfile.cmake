# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/gpu
# Build directory: /work/h74/build-unity/tests/platform/gpu
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/gpu/test_platform_gpu[1]_include.cmake")
add_test([=[whole.test_platform_gpu]=] "/work/h74/build-unity/tests/platform/gpu/test_platform_gpu")
set_tests_properties([=[whole.test_platform_gpu]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/gpu" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/gpu/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/gpu/CMakeLists.txt;0;")
subdirs("d3d11")
subdirs("d3d9")
subdirs("shaders")
