# Two builds of the same commit give the same bytes, wherever and whenever they are made, so
# that anyone can check a download against what this source builds.
#
# The source and build folders' paths stay out of what is compiled (__FILE__, any debug
# information): the later, more specific map wins for the build folder inside the source.
add_compile_options(
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
  "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
# GCC takes __DATE__ and __TIME__ from SOURCE_DATE_EPOCH when it is set; make dist sets it to
# the commit's time, and nothing here uses them besides.
if(WIN32)
  # A PE header carries the link time unless told not to.
  add_link_options(-Wl,--no-insert-timestamp)
endif()
# Folders a package installs get the same permissions whatever the umask of the build.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
