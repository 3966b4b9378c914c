# ASan + UBSan for the whole build; UBSan findings abort so that tests fail loudly.
if(YNX_SANITIZE)
  set(YNX_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_compile_options(${YNX_SANITIZER_FLAGS})
  add_link_options(${YNX_SANITIZER_FLAGS})
endif()

# Fuzzing wants coverage feedback from the code under test, not only from the
# fuzzer's own file.
if(YNX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
