file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND ${CMAKE_COMMAND} --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
    bin/Tavelin
    bin/tavelin-network
    share/tavelin/examples/two-element.dat
    share/tavelin/examples/two-element.txt
    share/tavelin/examples/every-element.dat
    share/applications/org.tavelin.Tavelin.desktop
    share/metainfo/org.tavelin.Tavelin.metainfo.xml
    share/icons/hicolor/scalable/apps/org.tavelin.Tavelin.svg
    share/icons/hicolor/128x128/apps/org.tavelin.Tavelin.png)
  if(NOT EXISTS "${PREFIX}/${file}")
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/org.tavelin.Tavelin.desktop" desktop)
if(NOT desktop MATCHES "\nExec=Tavelin\n" OR NOT desktop MATCHES "\nIcon=org.tavelin.Tavelin\n")
  message(FATAL_ERROR "the desktop file does not start the installed program with its icon")
endif()
file(REMOVE_RECURSE "${PREFIX}")
