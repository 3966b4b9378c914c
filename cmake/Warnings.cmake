# Every target of the project compiles with the same warning set.
add_compile_options(-Wall -Wextra)
if(YNX_WERROR)
  add_compile_options(-Werror)
endif()
