# Warnings are errors on our own code; third-party code keeps its own flags.
function(vornik_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-unused-parameter)
endfunction()
