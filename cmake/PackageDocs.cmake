# The documents an installed program owes its users and Debian: the manual
# page, the copyright file and the changelog. Pages and changelog are
# compressed with gzip -9n (no name, no time stamp), so that two builds give
# the same bytes. Nothing here runs the program, so cross builds work too.

# The manual page carries the newest release's date from the AppStream data.
file(READ ${PROJECT_SOURCE_DIR}/data/${TEILOMAT_DESKTOP_ID}.metainfo.xml teilomat_metainfo)
string(REGEX MATCH "<release version=\"[^\"]*\" date=\"([0-9-]+)\"" _ "${teilomat_metainfo}")
set(TEILOMAT_RELEASE_DATE ${CMAKE_MATCH_1})

set(teilomat_doc_dir ${CMAKE_CURRENT_BINARY_DIR}/doc)
configure_file(data/teilomat.1.in ${teilomat_doc_dir}/teilomat.1 @ONLY)
configure_file(data/changelog ${teilomat_doc_dir}/changelog COPYONLY)
add_custom_command(
  OUTPUT ${teilomat_doc_dir}/teilomat.1.gz ${teilomat_doc_dir}/changelog.gz
  COMMAND gzip -9nkf teilomat.1 changelog
  DEPENDS ${teilomat_doc_dir}/teilomat.1 ${teilomat_doc_dir}/changelog
  WORKING_DIRECTORY ${teilomat_doc_dir}
  VERBATIM)
add_custom_target(teilomat_docs ALL DEPENDS ${teilomat_doc_dir}/teilomat.1.gz ${teilomat_doc_dir}/changelog.gz)

install(FILES ${teilomat_doc_dir}/teilomat.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES data/copyright ${teilomat_doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/teilomat)

# Folders made by the installation get 0755 whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
