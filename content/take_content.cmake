# Copies the archives of the build FROM into the build TO, for a build that
# takes another one's show data (VX_CONTENT_FROM) instead of generating it.
foreach(name vx-1.lib vx-1-sharp.lib show-data/vx-1.txt)
  if(NOT EXISTS ${FROM}/${name})
    message(FATAL_ERROR "${FROM}/${name} is missing: build that folder first "
                        "(cmake --build --preset native), whose show data this build uses")
  endif()
endforeach()
file(COPY_FILE ${FROM}/vx-1.lib ${TO}/vx-1.lib ONLY_IF_DIFFERENT)
file(COPY_FILE ${FROM}/vx-1-sharp.lib ${TO}/vx-1-sharp.lib ONLY_IF_DIFFERENT)
