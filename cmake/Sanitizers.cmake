# Sanitizer and fuzzing builds (clang).
#
#   -DGLEANWORK_SANITIZE=address   AddressSanitizer and UndefinedBehaviorSanitizer,
#                                  every finding fatal
#   -DGLEANWORK_SANITIZE=thread    ThreadSanitizer
#   -DGLEANWORK_FUZZ=ON            the libFuzzer targets of tests/fuzz (with
#                                  address and undefined instrumentation)
#
# Included before any target is made, so that the flags reach every target of
# the project. The fuzz programs themselves are made by tests/fuzz.

set(GLEANWORK_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")
set_property(CACHE GLEANWORK_SANITIZE PROPERTY STRINGS "" address thread)
option(GLEANWORK_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(GLEANWORK_FUZZ AND NOT GLEANWORK_SANITIZE)
  set(GLEANWORK_SANITIZE address)
endif()

if(GLEANWORK_SANITIZE)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "GLEANWORK_SANITIZE and GLEANWORK_FUZZ need clang (CXX=clang++)")
  endif()
  if(GLEANWORK_SANITIZE STREQUAL "address")
    set(GLEANWORK_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all)
  elseif(GLEANWORK_SANITIZE STREQUAL "thread")
    set(GLEANWORK_SANITIZER_FLAGS -fsanitize=thread)
  else()
    message(FATAL_ERROR "GLEANWORK_SANITIZE must be address or thread, not ${GLEANWORK_SANITIZE}")
  endif()
  add_compile_options(${GLEANWORK_SANITIZER_FLAGS} -fno-omit-frame-pointer)
  # Tests that bound a wait allow for the sanitizers' slower code.
  add_compile_definitions(GLEANWORK_SANITIZED)
  add_link_options(${GLEANWORK_SANITIZER_FLAGS})
endif()

# Coverage feedback for libFuzzer in every object; only the fuzz programs link
# libFuzzer itself.
if(GLEANWORK_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
