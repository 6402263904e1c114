# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/base
# Build directory: /work/h74/build-unity/tests/media/base
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/base/test_media_base[1]_include.cmake")
add_test([=[whole.test_media_base]=] "/work/h74/build-unity/tests/media/base/test_media_base")
set_tests_properties([=[whole.test_media_base]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/base" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/base/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/base/CMakeLists.txt;0;")
