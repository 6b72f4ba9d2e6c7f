# Read by CPack once per generator: the .deb takes Debian's games layout, the archive the
# portable one, unpacked as one top folder that runs in place.
if(CPACK_GENERATOR STREQUAL "DEB")
  set(CPACK_DEB_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL games)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
  set(CPACK_COMPONENTS_ALL portable)
  set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
  # Component archives leave out the top folder unless told; tavlen-<version>-Linux/ keeps
  # the unpacked files together.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
