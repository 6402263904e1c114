# CMake generated Testfile for 
# Source directory: /work/h74/tests/platform
# Build directory: /work/h74/build-unity/tests/platform
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("dynload")
subdirs("win")
subdirs("font")
subdirs("input")
subdirs("gpu")
subdirs("audio")
subdirs("codec")
subdirs("dshow")
subdirs("net")
