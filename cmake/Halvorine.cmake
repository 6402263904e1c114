# Build helpers shared by every folder.
#
# halvorine_library([LIBS <link items>...])
#   Makes the static library of the calling source folder from its *.cpp and *.c
#   files. The name comes from the folder: media/graphics/image -> media_graphics_image.
#   A folder without sources makes no library.
#
# halvorine_tests([LIBS <link items>...])
#   Called from tests/<folder>; makes the GoogleTest executable for <folder> and
#   registers its tests, labelled by folder (media/base; select a layer with -L "^media").

set(HALVORINE_WARNINGS -Wall -Wextra)
# Link with lld where it is installed: the build links some 170 programs with full
# debug information, which the default linker takes about four times as long over.
include(CheckLinkerFlag)
check_linker_flag(CXX -fuse-ld=lld HALVORINE_HAVE_LLD)
if(HALVORINE_HAVE_LLD)
  add_link_options(-fuse-ld=lld)
endif()
add_compile_options(-ffp-contract=off)
# Programs are linked with their debug sections compressed: a tree links some 170
# programs, each with the debug information of every library it uses, which
# uncompressed take twice the disk (about 6 GB for the test build alone).
check_linker_flag(CXX -Wl,--compress-debug-sections=zlib HALVORINE_HAVE_COMPRESSED_DEBUG)
if(HALVORINE_HAVE_COMPRESSED_DEBUG)
  add_link_options(-Wl,--compress-debug-sections=zlib)
endif()
include_directories(${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR}/gen)

if(HALVORINE_SANITIZE)
  set(HALVORINE_SAN_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${HALVORINE_SAN_FLAGS})
  add_link_options(${HALVORINE_SAN_FLAGS})
endif()

if(HALVORINE_TSAN)
  set(HALVORINE_TSAN_FLAGS -fsanitize=thread -fno-omit-frame-pointer)
  add_compile_options(${HALVORINE_TSAN_FLAGS})
  add_link_options(${HALVORINE_TSAN_FLAGS})
endif()

if(HALVORINE_FUZZ)
  set(HALVORINE_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${HALVORINE_FUZZ_FLAGS})
  add_link_options(-fsanitize=address,undefined)
endif()

set_property(GLOBAL PROPERTY HALVORINE_LIBS "")
set(HALVORINE_TEST_BATCH 8 CACHE STRING "Sources a test program compiles in one batch")

function(halvorine_folder_name out)
  file(RELATIVE_PATH rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(${out} ${rel} PARENT_SCOPE)
endfunction()

function(halvorine_library)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  halvorine_folder_name(folder)
  string(REPLACE "/" "_" name ${folder})
  file(GLOB sources CONFIGURE_DEPENDS
       ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.c)
  if(NOT sources)
    return()
  endif()
  add_library(${name} STATIC ${sources})
  target_compile_options(${name} PRIVATE ${HALVORINE_WARNINGS})
  if(ARG_LIBS)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  endif()
  set_property(GLOBAL APPEND PROPERTY HALVORINE_LIBS ${name})
endfunction()

# Links every folder library into target, in one group so that folders may call
# each other within the layer rule without caring about link order.
# With WITHOUT_RUNTIME the script system's libraries are left out: the layers below
# it never call it, so their tests build and link without it.
function(halvorine_link_all target)
  cmake_parse_arguments(ARG "WITHOUT_RUNTIME" "" "" ${ARGN})
  get_property(libs GLOBAL PROPERTY HALVORINE_LIBS)
  if(ARG_WITHOUT_RUNTIME)
    list(FILTER libs EXCLUDE REGEX "^runtime_")
  endif()
  if(libs)
    string(REPLACE ";" "," group "${libs}")
    target_link_libraries(${target} PRIVATE "$<LINK_GROUP:RESCAN,${group}>")
  endif()
  find_package(Threads REQUIRED)
  target_link_libraries(${target} PRIVATE Threads::Threads)
endfunction()

function(halvorine_tests)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" name ${folder})
  string(REGEX REPLACE "/.*" "" layer ${folder})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${name} ${sources} $<TARGET_OBJECTS:halvorine_own_folder>)
  target_compile_options(test_${name} PRIVATE ${HALVORINE_WARNINGS})
  # Test programs compile in batches of sources in every build, the ordinary one too:
  # their files share the heavy headers (GoogleTest, the runtime, the media layer), and a
  # batch parses them once where separate files took two to three times as long. A change
  # to one test file recompiles its batch.
  set_target_properties(test_${name} PROPERTIES UNITY_BUILD ON
    UNITY_BUILD_BATCH_SIZE ${HALVORINE_TEST_BATCH})
  # The checking builds compile the tests' own code unoptimised: under the sanitizers
  # that halves its compile time, and the code under test keeps its optimisation.
  if(HALVORINE_SANITIZE OR HALVORINE_TSAN)
    target_compile_options(test_${name} PRIVATE -O0)
  endif()
  if(layer STREQUAL "media" OR layer STREQUAL "platform")
    halvorine_link_all(test_${name} WITHOUT_RUNTIME)
  else()
    halvorine_link_all(test_${name})
  endif()
  target_link_libraries(test_${name} PRIVATE GTest::gmock GTest::gtest_main ${ARG_LIBS})
  target_compile_definitions(test_${name} PRIVATE
    HALVORINE_SOURCE_DIR="${PROJECT_SOURCE_DIR}" HALVORINE_BINARY_DIR="${PROJECT_BINARY_DIR}")
  gtest_discover_tests(test_${name}
    DISCOVERY_MODE PRE_TEST
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS "${folder}")
  # The program also runs once as a whole: its tests must hold in any order and beside
  # each other in one process, which one test per process never shows.
  add_test(NAME whole.test_${name} COMMAND test_${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  set_tests_properties(whole.test_${name} PROPERTIES LABELS "whole" TIMEOUT 1500)
endfunction()
