# CMake generated Testfile for 
# Source directory: /work/h74/tests/media
# Build directory: /work/h74/build-unity/tests/media
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("base")
subdirs("file")
subdirs("system")
subdirs("input")
subdirs("network")
subdirs("graphics")
subdirs("sound")
subdirs("movie")
subdirs("dshow")
