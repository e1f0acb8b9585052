# The layers of the program and what each may include. A source file's
# folder names its layer; an include of another folder must point down:
#
#   base/        the foundations: includes only itself
#   db/          the database access, on base/
#   core/        the context and what every procedure uses, on db/
#   transactions/ export/ printing/ checks/
#                the procedures, on core/; never each other (they call
#                across through Procedimentos in core/context.h)
#   app/         the shell on top: monitor, wiring, program, start-up
#
# Qt only in app/gui/ and printing/qt/. The configure step stops at the first
# include against the direction, naming the file and the line.
set(VARELO_LAYER_base base)
set(VARELO_LAYER_db base db)
set(VARELO_LAYER_core base db core)
foreach(procedimentos transactions export printing checks)
  set(VARELO_LAYER_${procedimentos} base db core ${procedimentos})
endforeach()
set(VARELO_LAYER_app base db core transactions export printing checks app)
set(VARELO_LAYERS base db core transactions export printing checks app)

function(varelo_check_layers)
  foreach(layer IN LISTS VARELO_LAYERS)
    file(GLOB_RECURSE files CONFIGURE_DEPENDS
      "${CMAKE_SOURCE_DIR}/${layer}/*.cpp" "${CMAKE_SOURCE_DIR}/${layer}/*.h")
    foreach(f IN LISTS files)
      file(RELATIVE_PATH rel "${CMAKE_SOURCE_DIR}" "${f}")
      set(qt_allowed OFF)
      if(rel MATCHES "^(app/gui|printing/qt)/")
        set(qt_allowed ON)
      endif()
      file(STRINGS "${f}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
      foreach(line IN LISTS includes)
        if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
          set(target "${CMAKE_MATCH_1}")
          if(NOT target IN_LIST VARELO_LAYER_${layer})
            message(FATAL_ERROR "${rel}: ${layer}/ may not include ${target}/: ${line}")
          endif()
        elseif(line MATCHES "#[ \t]*include[ \t]*<Q" AND NOT qt_allowed)
          message(FATAL_ERROR "${rel}: Qt outside app/gui/ and printing/qt/: ${line}")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()
