# CMake generated Testfile for 
# Source directory: /work/h74/tests
# Build directory: /work/h74/build-unity/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
add_test([=[layers]=] "/work/h74/tools/check-layers.sh" "/work/h74")
set_tests_properties([=[layers]=] PROPERTIES  LABELS "tools" _BACKTRACE_TRIPLES "/work/h74/tests/CMakeLists.txt;14;add_test;/work/h74/tests/CMakeLists.txt;0;")
add_test([=[layers_selftest]=] "/work/h74/tools/check-layers-selftest.sh")
set_tests_properties([=[layers_selftest]=] PROPERTIES  LABELS "tools" _BACKTRACE_TRIPLES "/work/h74/tests/CMakeLists.txt;15;add_test;/work/h74/tests/CMakeLists.txt;0;")
subdirs("platform")
subdirs("media")
subdirs("runtime")
subdirs("tools")
subdirs("scripts")
