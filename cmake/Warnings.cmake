# Our own code builds without a single warning; third-party headers are included as system
# headers so that their warnings stay theirs.
function(brelund_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
endfunction()
