# Warning flags applied to every target of the project.
function(kol_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()
