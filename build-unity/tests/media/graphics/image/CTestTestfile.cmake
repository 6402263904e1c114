# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/graphics/image
# Build directory: /work/h74/build-unity/tests/media/graphics/image
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/graphics/image/test_media_graphics_image[1]_include.cmake")
add_test([=[whole.test_media_graphics_image]=] "/work/h74/build-unity/tests/media/graphics/image/test_media_graphics_image")
set_tests_properties([=[whole.test_media_graphics_image]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/graphics/image" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/graphics/image/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/graphics/image/CMakeLists.txt;0;")
