if(EXISTS "/work/h74/build-unity/tests/media/file/test_media_file")
  if(NOT EXISTS "/work/h74/build-unity/tests/media/file/test_media_file[1]_tests.cmake" OR
     NOT "/work/h74/build-unity/tests/media/file/test_media_file[1]_tests.cmake" IS_NEWER_THAN "/work/h74/build-unity/tests/media/file/test_media_file" OR
     NOT "/work/h74/build-unity/tests/media/file/test_media_file[1]_tests.cmake" IS_NEWER_THAN "${CMAKE_CURRENT_LIST_FILE}")
    include("/usr/share/cmake-3.25/Modules/GoogleTestAddTests.cmake")
    gtest_discover_tests_impl(
      TEST_EXECUTABLE [==[/work/h74/build-unity/tests/media/file/test_media_file]==]
      TEST_EXECUTOR [==[]==]
      TEST_WORKING_DIR [==[/work/h74/build-unity/tests/media/file]==]
      TEST_EXTRA_ARGS [==[]==]
      TEST_PROPERTIES [==[LABELS;media/file]==]
      TEST_PREFIX [==[]==]
      TEST_SUFFIX [==[]==]
      TEST_FILTER [==[]==]
      NO_PRETTY_TYPES [==[FALSE]==]
      NO_PRETTY_VALUES [==[FALSE]==]
      TEST_LIST [==[test_media_file_TESTS]==]
      CTEST_FILE [==[/work/h74/build-unity/tests/media/file/test_media_file[1]_tests.cmake]==]
      TEST_DISCOVERY_TIMEOUT [==[5]==]
      TEST_XML_OUTPUT_DIR [==[]==]
    )
  endif()
  include("/work/h74/build-unity/tests/media/file/test_media_file[1]_tests.cmake")
else()
  add_test(test_media_file_NOT_BUILT test_media_file_NOT_BUILT)
endif()
