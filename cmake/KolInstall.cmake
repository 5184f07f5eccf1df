# Installs the library with its CMake package (KOL::kol), its pkg-config file and the database
# directory.
include(CMakePackageConfigHelpers)

install(TARGETS kol EXPORT KOLTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(EXPORT KOLTargets NAMESPACE KOL:: FILE KOLTargets.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KOL)
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/KOLConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/KOLConfig.cmake
  INSTALL_DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KOL)
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KOLConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/KOLConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/KOLConfigVersion.cmake
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/KOL)

# kol.pc locates the prefix from its own folder, so an installed tree can be moved.
file(RELATIVE_PATH KOL_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/kol.pc.in ${CMAKE_CURRENT_BINARY_DIR}/kol.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kol.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kol)
