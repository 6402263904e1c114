# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/graphics/d3d9
# Build directory: /work/h74/build-unity/tests/media/graphics/d3d9
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/graphics/d3d9/test_media_graphics_d3d9[1]_include.cmake")
add_test([=[whole.test_media_graphics_d3d9]=] "/work/h74/build-unity/tests/media/graphics/d3d9/test_media_graphics_d3d9")
set_tests_properties([=[whole.test_media_graphics_d3d9]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/graphics/d3d9" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/graphics/d3d9/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/graphics/d3d9/CMakeLists.txt;0;")
