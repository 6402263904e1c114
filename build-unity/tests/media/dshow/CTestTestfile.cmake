# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/dshow
# Build directory: /work/h74/build-unity/tests/media/dshow
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/dshow/test_media_dshow[1]_include.cmake")
add_test([=[whole.test_media_dshow]=] "/work/h74/build-unity/tests/media/dshow/test_media_dshow")
set_tests_properties([=[whole.test_media_dshow]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/dshow" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/dshow/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/dshow/CMakeLists.txt;0;")
