# The build's revision number and source hash, from git at configure time; "unknown" for a
# source tree that is not a checkout of its own (an unpacked archive, even inside another
# repository). Also runs as a script: cmake -DSOURCE_DIR=dir -DOUTPUT=file -P build_revision.cmake
# writes "revision;hash" to the file.

function(zamo2_build_revision source_dir out_revision out_hash)
  set(revision unknown)
  set(hash unknown)
  find_package(Git QUIET)
  if(GIT_FOUND)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --show-toplevel
                    WORKING_DIRECTORY ${source_dir} RESULT_VARIABLE failed
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    file(REAL_PATH "${source_dir}" source_real)
    if(NOT failed AND top)
      file(REAL_PATH "${top}" top)
    endif()
    if(NOT failed AND top STREQUAL source_real)
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-list --count HEAD
                      WORKING_DIRECTORY ${source_dir} RESULT_VARIABLE failed
                      OUTPUT_VARIABLE count OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(NOT failed AND count MATCHES "^[0-9]+$")
        set(revision ${count})
      endif()
      execute_process(COMMAND ${GIT_EXECUTABLE} describe --always --dirty --abbrev=12
                      WORKING_DIRECTORY ${source_dir} RESULT_VARIABLE failed
                      OUTPUT_VARIABLE described OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(NOT failed AND described MATCHES "^[A-Za-z0-9._+-]+$")
        set(hash ${described})
      endif()
      # A commit or checkout configures again, so the identity follows it.
      execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse --absolute-git-dir
                      WORKING_DIRECTORY ${source_dir} RESULT_VARIABLE failed
                      OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
      if(NOT failed AND EXISTS "${git_dir}/logs/HEAD" AND NOT CMAKE_SCRIPT_MODE_FILE)
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
      endif()
    endif()
  endif()
  set(${out_revision} ${revision} PARENT_SCOPE)
  set(${out_hash} ${hash} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  zamo2_build_revision("${SOURCE_DIR}" revision hash)
  file(WRITE "${OUTPUT}" "${revision};${hash}")
endif()
