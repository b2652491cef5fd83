# Writes every link of the targets under src/ to layering-links.txt in the
# build folder, one line a link:
#   <from target> <from folder> <to target> <to folder>
# where a folder is relative to the source tree, "qt" stands for a Qt
# library and "external" for any other library of the system; every target
# also has a line to itself.
# scripts/check-layering compares them with the ranks of cmake/Layers.txt.

# A library of Qt: a Qt target, or a file or flag naming one.
function(helmax_is_qt_library item result)
  if(item MATCHES "^Qt[0-9]*::" OR item MATCHES "(^|[/ ])(lib)?Qt[0-9]*[A-Za-z]*(\\.|$)"
     OR item MATCHES "/qt[0-9]*/")
    set(${result} TRUE PARENT_SCOPE)
  else()
    set(${result} FALSE PARENT_SCOPE)
  endif()
endfunction()

# The folder of a linked item, as the links file names it.
function(helmax_link_folder item result)
  if(TARGET ${item})
    get_target_property(aliased ${item} ALIASED_TARGET)
    if(aliased)
      set(item ${aliased})
    endif()
    get_target_property(imported ${item} IMPORTED)
    if(NOT imported)
      get_target_property(dir ${item} SOURCE_DIR)
      file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${dir})
      set(${result} ${folder} PARENT_SCOPE)
      return()
    endif()
    # An imported library of the system: Qt when its name, its files or
    # what it links say so (a pkg-config target of a Qt module, say).
    set(parts ${item})
    foreach(property IMPORTED_LOCATION IMPORTED_LOCATION_RELWITHDEBINFO IMPORTED_LOCATION_RELEASE
                     IMPORTED_LOCATION_DEBUG INTERFACE_LINK_LIBRARIES)
      get_target_property(value ${item} ${property})
      if(value)
        list(APPEND parts ${value})
      endif()
    endforeach()
  elseif(item MATCHES "^PkgConfig::(.+)$")
    # A pkg-config target of a folder below is out of sight here; the cache
    # keeps the names of its libraries.
    set(parts ${item} $CACHE{${CMAKE_MATCH_1}_LIBRARIES})
  else()
    set(parts ${item})
  endif()
  foreach(part IN LISTS parts)
    helmax_is_qt_library("${part}" qt)
    if(qt)
      set(${result} qt PARENT_SCOPE)
      return()
    endif()
  endforeach()
  set(${result} external PARENT_SCOPE)
endfunction()

function(helmax_collect_targets dir result)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(subdir IN LISTS subdirs)
    helmax_collect_targets(${subdir} more)
    list(APPEND targets ${more})
  endforeach()
  set(${result} ${targets} PARENT_SCOPE)
endfunction()

function(helmax_write_layering_links file)
  helmax_collect_targets(${PROJECT_SOURCE_DIR} targets)
  set(lines "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(dir ${target} SOURCE_DIR)
    file(RELATIVE_PATH from_folder ${PROJECT_SOURCE_DIR} ${dir})
    if(NOT from_folder MATCHES "^src/")
      continue()
    endif()
    # Each target stands for itself too, so that the folder of one that
    # links nothing is checked as well.
    set(links ${target})
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(value ${target} ${property})
      if(value)
        list(APPEND links ${value})
      endif()
    endforeach()
    list(REMOVE_DUPLICATES links)
    foreach(link IN LISTS links)
      # What a static library links privately it still passes on as
      # $<LINK_ONLY:...>; that is the same link.
      if(link MATCHES "^\\$<LINK_ONLY:(.*)>$")
        set(link ${CMAKE_MATCH_1})
      endif()
      if(link STREQUAL "")
        continue()
      endif()
      helmax_link_folder(${link} to_folder)
      string(REPLACE " " "_" link_name "${link}")
      list(APPEND lines "${target} ${from_folder} ${link_name} ${to_folder}")
    endforeach()
  endforeach()
  list(REMOVE_DUPLICATES lines)
  list(SORT lines)
  list(JOIN lines "\n" text)
  file(CONFIGURE OUTPUT ${file} CONTENT "${text}\n" @ONLY)
endfunction()

# Once the whole tree is read, so that targets defined after this file are
# seen too.
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL helmax_write_layering_links
               ${CMAKE_BINARY_DIR}/layering-links.txt)
