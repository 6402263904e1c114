# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/graphics
# Build directory: /work/h74/build-unity/tests/media/graphics
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/graphics/test_media_graphics[1]_include.cmake")
add_test([=[whole.test_media_graphics]=] "/work/h74/build-unity/tests/media/graphics/test_media_graphics")
set_tests_properties([=[whole.test_media_graphics]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/graphics" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/graphics/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/graphics/CMakeLists.txt;0;")
subdirs("image")
subdirs("font")
subdirs("d3d9")
subdirs("d3d11")
subdirs("renderers")
