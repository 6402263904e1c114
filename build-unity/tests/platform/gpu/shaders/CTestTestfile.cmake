# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform/gpu/shaders
# Build directory: /work/h74/build-unity/tests/platform/gpu/shaders
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/platform/gpu/shaders/test_platform_gpu_shaders[1]_include.cmake")
add_test([=[whole.test_platform_gpu_shaders]=] "/work/h74/build-unity/tests/platform/gpu/shaders/test_platform_gpu_shaders")
set_tests_properties([=[whole.test_platform_gpu_shaders]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/platform/gpu/shaders" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/platform/gpu/shaders/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/platform/gpu/shaders/CMakeLists.txt;0;")
