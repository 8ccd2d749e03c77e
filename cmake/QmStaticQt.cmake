# qm_import_static_qt_plugins(target)
#
# A static Qt (the MinGW build of tools/windows-qt.sh) has no plugin folder:
# its plugins are linked into each program. Besides the plugins Qt links by
# default, `target` gets the Windows platform (and the offscreen one, which
# window tests run on), the Windows style, and the image formats the program
# reads: PNG (built into Qt GUI), JPEG (the wizard's template pictures) and ICO.
# With a shared Qt (Linux) it does nothing: plugins are loaded at run time.
function(qm_import_static_qt_plugins target)
    get_target_property(type Qt6::Core TYPE)
    if(NOT type STREQUAL "STATIC_LIBRARY")
        return()
    endif()
    set(plugins)
    foreach(plugin QWindowsIntegrationPlugin QOffscreenIntegrationPlugin QWindowsVistaStylePlugin
                   QJpegPlugin QICOPlugin)
        if(TARGET Qt6::${plugin})
            list(APPEND plugins Qt6::${plugin})
        endif()
    endforeach()
    qt_import_plugins(${target} INCLUDE ${plugins})
endfunction()
