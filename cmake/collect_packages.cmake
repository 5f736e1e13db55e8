# Gathers the packages (zip, tar.gz and deb files) that CPack left in the directories SOURCES
# into DIRECTORY, which it empties first, and writes DIRECTORY/SHA256SUMS for them in the format
# of `sha256sum`, so that `sha256sum -c SHA256SUMS` checks them.
# Run with cmake -D DIRECTORY=... -D "SOURCES=DIR;DIR..." -P.
file(REMOVE_RECURSE ${DIRECTORY})
file(MAKE_DIRECTORY ${DIRECTORY})
set(packages "")
foreach(source IN LISTS SOURCES)
  file(GLOB found ${source}/*.zip ${source}/*.tar.gz ${source}/*.deb)
  file(COPY ${found} DESTINATION ${DIRECTORY})
  foreach(package IN LISTS found)
    get_filename_component(name ${package} NAME)
    list(APPEND packages ${name})
  endforeach()
endforeach()
list(SORT packages)
set(sums "")
foreach(package IN LISTS packages)
  file(SHA256 ${DIRECTORY}/${package} sum)
  string(APPEND sums "${sum}  ${package}\n")
endforeach()
file(WRITE ${DIRECTORY}/SHA256SUMS "${sums}")
