# What the Windows programs need beside them, and the installer.
#
# bin/ of the build folder gets the DLLs, the platform plugins, Qt's German
# catalogue and a qt.conf, so that the program, the tests and the benchmarks
# run from there under Wine or on Windows. The installer
# teilomat-<version>-x64.msi (target teilomat_msi, made with wixl from
# msitools) installs the same files, stripped, into Program Files\Teilomat:
#   cmake --build build-windows --target teilomat_msi
find_package(TBB REQUIRED)

# A MinGW program needs the compiler's runtime DLLs beside it.
set(teilomat_runtime_dlls)
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE path
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT IS_ABSOLUTE "${path}" OR NOT EXISTS "${path}")
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} knows no ${dll}")
  endif()
  file(REAL_PATH ${path} path)
  list(APPEND teilomat_runtime_dlls ${path})
endforeach()

function(teilomat_dll_of target result)
  get_target_property(path ${target} IMPORTED_LOCATION_RELEASE)
  if(NOT path)
    get_target_property(path ${target} IMPORTED_LOCATION)
  endif()
  set(${result} ${path} PARENT_SCOPE)
endfunction()
teilomat_dll_of(TBB::tbb tbb_dll)
list(APPEND teilomat_runtime_dlls ${tbb_dll})

set(teilomat_bin ${PROJECT_BINARY_DIR}/bin)
set(teilomat_bin_dlls ${teilomat_runtime_dlls})
set(teilomat_bin_plugins)
if(TEILOMAT_BUILD_APP)
  foreach(target Qt6::Core Qt6::Gui Qt6::Widgets)
    teilomat_dll_of(${target} dll)
    list(APPEND teilomat_runtime_dlls ${dll})
  endforeach()
  teilomat_dll_of(Qt6::QWindowsIntegrationPlugin teilomat_platform_plugin)
  set(teilomat_bin_dlls ${teilomat_runtime_dlls})
  set(teilomat_bin_plugins ${teilomat_platform_plugin})
  # The widget tests need QtTest and the offscreen platform as well.
  if(TEILOMAT_BUILD_TESTS)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    teilomat_dll_of(Qt6::Test dll)
    teilomat_dll_of(Qt6::QOffscreenIntegrationPlugin offscreen_plugin)
    list(APPEND teilomat_bin_dlls ${dll})
    list(APPEND teilomat_bin_plugins ${offscreen_plugin})
  endif()

  # Qt's German texts: the .qm files of Debian's qt6-translations-l10n are the
  # same on every platform. qt.conf tells Qt where they and the plugins are:
  # beside the program, not in the Qt prefix Qt was built for.
  set(TEILOMAT_QT_TRANSLATIONS /usr/share/qt6/translations/qtbase_de.qm CACHE FILEPATH "Qt's German catalogue")
  if(NOT EXISTS ${TEILOMAT_QT_TRANSLATIONS})
    message(FATAL_ERROR "No ${TEILOMAT_QT_TRANSLATIONS} (apt-get install qt6-translations-l10n)")
  endif()
  set(teilomat_qt_conf ${PROJECT_BINARY_DIR}/windows/qt.conf)
  file(WRITE ${teilomat_qt_conf} "[Paths]\nPrefix = .\nPlugins = .\nTranslations = translations\n")
  list(APPEND teilomat_bin_dlls ${teilomat_qt_conf})
endif()

# Into bin/, before any program there runs: every program built there depends
# on this target.
set(copy_plugins)
if(teilomat_bin_plugins)
  set(copy_plugins
    COMMAND ${CMAKE_COMMAND} -E make_directory ${teilomat_bin}/platforms ${teilomat_bin}/translations
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${teilomat_bin_plugins} ${teilomat_bin}/platforms
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${TEILOMAT_QT_TRANSLATIONS} ${teilomat_bin}/translations)
endif()
add_custom_target(teilomat_runtime
  COMMAND ${CMAKE_COMMAND} -E make_directory ${teilomat_bin}
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${teilomat_bin_dlls} ${teilomat_bin}
  ${copy_plugins}
  VERBATIM)
foreach(program teilomat teilomat_core_tests teilomat_ui_tests teilomat_bench teilomat_ui_bench)
  if(TARGET ${program})
    add_dependencies(${program} teilomat_runtime)
  endif()
endforeach()

if(NOT TEILOMAT_BUILD_APP)
  return()
endif()

# The installed layout, which the installer takes over file by file.
install(TARGETS teilomat RUNTIME DESTINATION .)
install(FILES ${teilomat_runtime_dlls} ${teilomat_qt_conf} DESTINATION .)
install(FILES ${teilomat_platform_plugin} DESTINATION platforms)
install(FILES ${TEILOMAT_QT_TRANSLATIONS} DESTINATION translations)

# The WiX source: one component per file, so that an uninstall removes each.
set(teilomat_msi_root ${PROJECT_BINARY_DIR}/msi-root)
set(teilomat_msi_refs)
function(teilomat_msi_files directory folder)
  set(xml "")
  set(refs "")
  foreach(path ${ARGN})
    get_filename_component(name ${path} NAME)
    string(MAKE_C_IDENTIFIER "${directory}_${name}" id)
    string(APPEND xml "            <Component Id=\"${id}\" Guid=\"*\" Win64=\"yes\">"
                      "<File Id=\"${id}\" Source=\"msi-root/${folder}${name}\" KeyPath=\"yes\"/></Component>\n")
    string(APPEND refs "      <ComponentRef Id=\"${id}\"/>\n")
  endforeach()
  set(teilomat_msi_xml_${directory} "${xml}" PARENT_SCOPE)
  set(teilomat_msi_refs "${teilomat_msi_refs}${refs}" PARENT_SCOPE)
endfunction()
teilomat_msi_files(INSTALLDIR "" ${teilomat_runtime_dlls} ${teilomat_qt_conf})
teilomat_msi_files(PLATFORMS platforms/ ${teilomat_platform_plugin})
teilomat_msi_files(TRANSLATIONS translations/ ${TEILOMAT_QT_TRANSLATIONS})
# wixl takes the sources' paths relative to the build folder, where it runs.
file(RELATIVE_PATH teilomat_msi_icon ${PROJECT_BINARY_DIR} ${TEILOMAT_WINDOWS_ICON})
configure_file(${PROJECT_SOURCE_DIR}/cmake/teilomat.wxs.in ${PROJECT_BINARY_DIR}/windows/teilomat.wxs @ONLY)

find_program(TEILOMAT_WIXL wixl REQUIRED)
# The MSI version has three parts; the third stays 0 for a release.
set(teilomat_msi ${PROJECT_BINARY_DIR}/teilomat-${PROJECT_VERSION}-x64.msi)
add_custom_target(teilomat_msi
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${teilomat_msi_root}
  COMMAND ${CMAKE_COMMAND} --install ${PROJECT_BINARY_DIR} --prefix ${teilomat_msi_root} --strip
  COMMAND ${TEILOMAT_WIXL} --arch x64 -D Version=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.0
          -o ${teilomat_msi} ${PROJECT_BINARY_DIR}/windows/teilomat.wxs
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}
  DEPENDS teilomat
  BYPRODUCTS ${teilomat_msi}
  VERBATIM)
