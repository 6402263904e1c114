# CMake generated Testfile for 
# Source directory: /work/h74
# Build directory: /work/h74/build-unity
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("tools")
subdirs("platform")
subdirs("media")
subdirs("runtime")
subdirs("tools/builtin_reference")
subdirs("tests")
subdirs("fuzz")
