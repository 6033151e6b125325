# Our own code builds clean with warnings as errors and without compiler extensions.
function(parlo_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wpedantic -Wimplicit-fallthrough)
  endif()
endfunction()
