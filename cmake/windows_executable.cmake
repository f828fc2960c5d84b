# frellis.scr for 32- and 64-bit Windows: the product library, the process entry and the
# resources, linked into one GUI executable that imports nothing but system DLLs. Included by the
# top-level CMakeLists.txt for the MinGW cross builds.

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FRELLIS_BITS 64)
  set(FRELLIS_MANIFEST_ARCH amd64)
  set(COMCTL32_STDCALL_SUFFIX "")
  set(FRELLIS_DLLTOOL_MACHINE i386:x86-64)
else()
  set(FRELLIS_BITS 32)
  set(FRELLIS_MANIFEST_ARCH X86)
  # InitCommonControls is stdcall without arguments: the 32-bit object refers to it as
  # _InitCommonControls@0.
  set(COMCTL32_STDCALL_SUFFIX "@0")
  set(FRELLIS_DLLTOOL_MACHINE i386)
endif()

# COMCTL32 bound by ordinal 17 rather than by name, so the import library is made here, named
# without its folder: dlltool names the library's symbols after the path it is given.
string(REGEX REPLACE "windres$" "dlltool" FRELLIS_DLLTOOL_GUESS "${CMAKE_RC_COMPILER}")
find_program(FRELLIS_DLLTOOL NAMES ${FRELLIS_DLLTOOL_GUESS} dlltool REQUIRED)
set(COMCTL32_DEF ${CMAKE_CURRENT_BINARY_DIR}/comctl32.def)
set(COMCTL32_IMPLIB ${CMAKE_CURRENT_BINARY_DIR}/libcomctl32_ordinal.a)
configure_file(src/platform/windows/comctl32.def.in ${COMCTL32_DEF} @ONLY)
add_custom_command(
  OUTPUT ${COMCTL32_IMPLIB}
  COMMAND ${FRELLIS_DLLTOOL} -m ${FRELLIS_DLLTOOL_MACHINE} -d ${COMCTL32_DEF} -l
          libcomctl32_ordinal.a
  DEPENDS ${COMCTL32_DEF}
  WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
  VERBATIM)
add_custom_target(comctl32_ordinal DEPENDS ${COMCTL32_IMPLIB})

# The resources. windres stores the up-down's class name in upper case; the .res is put right
# before it becomes an object (resources/restore_class_case.py).
find_program(FRELLIS_PYTHON NAMES python3 REQUIRED)
set(FRELLIS_RESOURCE_DIR ${CMAKE_CURRENT_BINARY_DIR}/resources)
configure_file(resources/frellis.manifest.in ${FRELLIS_RESOURCE_DIR}/frellis.manifest @ONLY)
set(FRELLIS_RC ${CMAKE_CURRENT_SOURCE_DIR}/resources/frellis.rc)
set(FRELLIS_RES ${FRELLIS_RESOURCE_DIR}/frellis.res)
set(FRELLIS_RES_OBJECT ${FRELLIS_RESOURCE_DIR}/frellis_res.obj)
add_custom_command(
  OUTPUT ${FRELLIS_RES_OBJECT}
  COMMAND ${CMAKE_RC_COMPILER} -I ${CMAKE_CURRENT_SOURCE_DIR}/resources -I ${FRELLIS_RESOURCE_DIR}
          -O res -i ${FRELLIS_RC} -o ${FRELLIS_RES}.raw
  COMMAND ${FRELLIS_PYTHON} ${CMAKE_CURRENT_SOURCE_DIR}/resources/restore_class_case.py
          ${FRELLIS_RES}.raw ${FRELLIS_RES} msctls_updown32
  COMMAND ${CMAKE_RC_COMPILER} -J res -O coff -i ${FRELLIS_RES} -o ${FRELLIS_RES_OBJECT}
  DEPENDS ${FRELLIS_RC} resources/config_dialog_template.h resources/restore_class_case.py
          resources/frellis.ico
          ${FRELLIS_RESOURCE_DIR}/frellis.manifest
  VERBATIM)

add_executable(frellis WIN32 src/platform/windows/win_main.cpp ${FRELLIS_RES_OBJECT})
set_target_properties(frellis PROPERTIES OUTPUT_NAME frellis SUFFIX .scr)
add_dependencies(frellis comctl32_ordinal)
target_include_directories(frellis PRIVATE src)
# One file, no runtime DLLs: the C and C++ runtimes are linked in.
target_link_options(frellis PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(frellis PRIVATE frellis_core ${COMCTL32_IMPLIB} user32 gdi32 advapi32 kernel32)

# The resets that tests call (void Reset...() in the product's headers) stay out of the shipped
# executable: linked as one program, it keeps only the functions it calls. (Sections of their own
# are not enough: the linker keeps every function's unwind data, and with it the function.) The
# product's objects carry both forms, so wine_tests.exe links them as usual. The link then fails
# should a reset still be in frellis.scr, whose symbols (stripped only in the package) show what
# went in; SaverWindowProc, whose address the window class takes, shows that they can be read.
target_compile_options(frellis_core PRIVATE -flto -ffat-lto-objects)
target_compile_options(frellis PRIVATE -flto)
target_link_options(frellis PRIVATE -flto)
file(GLOB FRELLIS_PRODUCT_HEADERS CONFIGURE_DEPENDS src/settings/*.h src/animation/*.h src/host/*.h)
set(FRELLIS_TEST_RESETS "")
foreach(header ${FRELLIS_PRODUCT_HEADERS})
  file(STRINGS ${header} declarations REGEX "^void Reset[A-Za-z]*\\(\\);")
  foreach(declaration ${declarations})
    string(REGEX REPLACE "^void (Reset[A-Za-z]*).*" "\\1" name "${declaration}")
    list(APPEND FRELLIS_TEST_RESETS ${name})
  endforeach()
endforeach()
add_custom_command(TARGET frellis POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DEXECUTABLE=$<TARGET_FILE:frellis>
          "-DABSENT=${FRELLIS_TEST_RESETS}" -DPRESENT=SaverWindowProc
          -P ${CMAKE_CURRENT_SOURCE_DIR}/cmake/check_symbols.cmake
  VERBATIM)

# Each build's saver has a folder of its own in the downloads, named for the Windows it is for.
install(TARGETS frellis RUNTIME DESTINATION ${FRELLIS_BITS}-bit)
if(FRELLIS_BITS EQUAL 32)
  include(cmake/windows_package.cmake)
endif()
