# Installs the build into a fresh prefix and checks that a desktop finds
# the program: the command, the program's data beside it, the desktop
# entry and the icons.
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f bin/quillbook
          share/applications/io.github.quillbook.Quillbook.desktop
          share/icons/hicolor/48x48/apps/io.github.quillbook.Quillbook.png
          share/icons/hicolor/256x256/apps/io.github.quillbook.Quillbook.png
          share/icons/hicolor/scalable/apps/io.github.quillbook.Quillbook.svg)
  if(NOT EXISTS ${PREFIX}/${f})
    message(FATAL_ERROR "missing after install: ${f}")
  endif()
endforeach()
file(REAL_PATH ${PREFIX}/bin/quillbook program)
get_filename_component(folder ${program} DIRECTORY)
foreach(f QUILLBK.HLP quillbook.png)
  if(NOT EXISTS ${folder}/${f})
    message(FATAL_ERROR "${f} is not beside the installed program in ${folder}")
  endif()
endforeach()
file(READ ${PREFIX}/share/applications/io.github.quillbook.Quillbook.desktop entry)
foreach(line "Type=Application" "Categories=Office;Calendar;" "Icon=io.github.quillbook.Quillbook"
             "Exec=quillbook")
  string(FIND "${entry}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
