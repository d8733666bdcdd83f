# OpenAL Soft for the Windows build, delay-loaded: OpenAL32.dll is loaded on
# the first call into it rather than by the Windows loader at start. A game
# started without the DLL beside it (from inside the zip, not unpacked) can
# then see that and tell the player what to do (SoundLibraryPresent), where
# the loader would only name the missing file. The import library for that
# is made here from the DLL's own export table.
find_file(TRIPATH_OPENAL_DLL OpenAL32.dll PATH_SUFFIXES bin REQUIRED)
find_path(TRIPATH_OPENAL_INCLUDE AL/al.h REQUIRED)
find_program(TRIPATH_OBJDUMP ${TRIPATH_MINGW}-objdump REQUIRED)
find_program(TRIPATH_DLLTOOL ${TRIPATH_MINGW}-dlltool REQUIRED)

set(TRIPATH_OPENAL_DELAYLIB ${PROJECT_BINARY_DIR}/openal/libOpenAL32-delay.a)
execute_process(COMMAND ${TRIPATH_OBJDUMP} -p ${TRIPATH_OPENAL_DLL} OUTPUT_VARIABLE dump
                COMMAND_ERROR_IS_FATAL ANY)
# The exported names: "[  n] name" lines below this heading, up to the
# next empty line.
set(heading "[Ordinal/Name Pointer] Table\n")
string(FIND "${dump}" "${heading}" at)
if(at LESS 0)
  message(FATAL_ERROR "${TRIPATH_OPENAL_DLL} shows no export table")
endif()
string(LENGTH "${heading}" length)
math(EXPR at "${at} + ${length}")
string(SUBSTRING "${dump}" ${at} -1 table)
string(FIND "${table}" "\n\n" end)
string(SUBSTRING "${table}" 0 ${end} table)
# (No list operations: CMake's lists treat the square brackets specially.)
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] " "" exports "${table}")
string(STRIP "${exports}" exports)
file(WRITE ${PROJECT_BINARY_DIR}/openal/OpenAL32.def "LIBRARY OpenAL32.dll\nEXPORTS\n${exports}\n")
execute_process(COMMAND ${TRIPATH_DLLTOOL} --input-def ${PROJECT_BINARY_DIR}/openal/OpenAL32.def
                        --dllname OpenAL32.dll --output-delaylib ${TRIPATH_OPENAL_DELAYLIB}
                COMMAND_ERROR_IS_FATAL ANY)

add_library(OpenAL::OpenAL INTERFACE IMPORTED)
target_include_directories(OpenAL::OpenAL INTERFACE ${TRIPATH_OPENAL_INCLUDE})
# delayimp holds the helper that loads the DLL on the first call.
target_link_libraries(OpenAL::OpenAL INTERFACE ${TRIPATH_OPENAL_DELAYLIB} delayimp)
