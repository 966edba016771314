# Compiler options for the project's own targets, set in one place.
#
# No -ffast-math, no -march=native and no contraction into fused multiply-adds: the 15-digit number texts in
# records, part lists and G-code depend on the last bit of every double and must be the same on every machine.
function(zorvan_target_options target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion -Werror=switch
    -ffp-contract=off)
  if(ZORVAN_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-sanitize-recover=all
      -fno-omit-frame-pointer)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()
