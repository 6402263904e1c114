# CMake generated Testfile for 
# Source directory: /work/h74/tests/media/network
# Build directory: /work/h74/build-unity/tests/media/network
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/h74/build-unity/tests/media/network/test_media_network[1]_include.cmake")
add_test([=[whole.test_media_network]=] "/work/h74/build-unity/tests/media/network/test_media_network")
set_tests_properties([=[whole.test_media_network]=] PROPERTIES  LABELS "whole" TIMEOUT "1500" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/network" _BACKTRACE_TRIPLES "/work/h74/cmake/Halvorine.cmake;106;add_test;/work/h74/tests/media/network/CMakeLists.txt;1;halvorine_tests;/work/h74/tests/media/network/CMakeLists.txt;0;")
add_test([=[media_network_netpeer_pair]=] "/root/.pyenv/shims/python3" "/work/h74/tests/media/network/netpeer/run_pair.py" "/work/h74/build-unity/tests/media/network/netpeer")
set_tests_properties([=[media_network_netpeer_pair]=] PROPERTIES  ENVIRONMENT "HALVORINE_HEADLESS=1" LABELS "media;media/network" TIMEOUT "300" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/network" _BACKTRACE_TRIPLES "/work/h74/tests/media/network/CMakeLists.txt;9;add_test;/work/h74/tests/media/network/CMakeLists.txt;0;")
add_test([=[media_network_netpeer_bad_frames]=] "/root/.pyenv/shims/python3" "/work/h74/tests/media/network/netpeer/bad_peer.py" "/work/h74/build-unity/tests/media/network/netpeer")
set_tests_properties([=[media_network_netpeer_bad_frames]=] PROPERTIES  ENVIRONMENT "HALVORINE_HEADLESS=1" LABELS "media;media/network" TIMEOUT "300" WORKING_DIRECTORY "/work/h74/build-unity/tests/media/network" _BACKTRACE_TRIPLES "/work/h74/tests/media/network/CMakeLists.txt;11;add_test;/work/h74/tests/media/network/CMakeLists.txt;0;")
