# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/graphics/renderers
# Build directory: /work/h74/build-unity/tests/media/graphics/renderers
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/graphics/renderers/test_media_graphics_renderers[1]_include.cmake")
add_test([=[whole.test_media_graphics_renderers]=] "/work/h74/build-unity/tests/media/graphics/renderers/test_media_graphics_renderers")
set_tests_properties([=[whole.test_media_graphics_renderers]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/graphics/renderers" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/graphics/renderers/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/graphics/renderers/CMakeLists.txt;0;")
