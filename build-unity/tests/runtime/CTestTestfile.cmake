# CMake generated Testfile for 
# Source directory: /work/h74/tests/runtime
# Build directory: /work/h74/build-unity/tests/runtime
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("vm")
subdirs("compiler")
subdirs("library")
