# The package's version grows with the source, so that apt takes each newer build for an upgrade
# and a school's repository offers it: the program's own version, then the time of the source in
# UTC (1.01+20261208.151841). The time is the last commit's when git knows the tree; in a tarball
# made by `git archive` (a download of the repository), the one git wrote into source-time; in a
# bare copy, that of the newest file. The program itself keeps showing its own version.
#
# Sets KVZ_PACKAGE_VERSION, KVZ_SOURCE_COMMIT (empty when unknown) and KVZ_SOURCE_DATE (for the
# changelog, RFC 2822).

function(kvz_time_text epoch format out)
    set(saved "$ENV{SOURCE_DATE_EPOCH}")
    set(ENV{SOURCE_DATE_EPOCH} "${epoch}") # string(TIMESTAMP) tells this time instead of now
    string(TIMESTAMP text "${format}" UTC)
    set(ENV{SOURCE_DATE_EPOCH} "${saved}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# From git, when this tree is a work tree of its own (not a copy lying inside another one).
function(kvz_time_from_git epoch commit)
    find_package(Git QUIET)
    if(NOT GIT_FOUND)
        return()
    endif()
    execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --show-toplevel
        WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE top
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT top OR NOT top STREQUAL "${CMAKE_SOURCE_DIR}")
        return()
    endif()
    execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct%x20%h
        WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE head
        OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    if(NOT head MATCHES "^([0-9]+) ([0-9a-f]+)$")
        return()
    endif()
    set(${epoch} "${CMAKE_MATCH_1}" PARENT_SCOPE)
    set(${commit} "${CMAKE_MATCH_2}" PARENT_SCOPE)
    # A commit, a checkout or a reset moves HEAD: the version is worked out again.
    foreach(name HEAD logs/HEAD)
        execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --path-format=absolute
                                --git-path "${name}"
            WORKING_DIRECTORY "${CMAKE_SOURCE_DIR}" OUTPUT_VARIABLE path
            OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(path AND EXISTS "${path}")
            set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                "${path}")
        endif()
    endforeach()
endfunction()

function(kvz_time_from_files epoch)
    file(GLOB_RECURSE files LIST_DIRECTORIES false "${CMAKE_SOURCE_DIR}/CMakeLists.txt"
        "${CMAKE_SOURCE_DIR}/src/*" "${CMAKE_SOURCE_DIR}/resources/*"
        "${CMAKE_SOURCE_DIR}/packaging/*" "${CMAKE_SOURCE_DIR}/tools/*")
    set(newest 0)
    foreach(file IN LISTS files)
        file(TIMESTAMP "${file}" time "%s" UTC)
        if(time GREATER newest)
            set(newest "${time}")
        endif()
    endforeach()
    set(${epoch} "${newest}" PARENT_SCOPE)
endfunction()

set(epoch "")
set(KVZ_SOURCE_COMMIT "")
kvz_time_from_git(epoch KVZ_SOURCE_COMMIT)
if(NOT epoch)
    file(READ "${CMAKE_CURRENT_LIST_DIR}/source-time" archived)
    if(archived MATCHES "^([0-9]+) ([0-9a-f]+)")
        set(epoch "${CMAKE_MATCH_1}")
        set(KVZ_SOURCE_COMMIT "${CMAKE_MATCH_2}")
    else()
        kvz_time_from_files(epoch)
    endif()
endif()
kvz_time_text("${epoch}" "%Y%m%d.%H%M%S" source_time)
set(KVZ_PACKAGE_VERSION "${PROJECT_VERSION}+${source_time}")
kvz_time_text("${epoch}" "%a, %d %b %Y %H:%M:%S +0000" KVZ_SOURCE_DATE)
unset(epoch)
unset(source_time)
