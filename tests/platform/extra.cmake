# The platform tests make their MP3 fixtures with LAME.
if(TARGET test_platform)
  find_library(VX_MP3LAME_LIBRARY mp3lame REQUIRED)
  target_link_libraries(test_platform PRIVATE ${VX_MP3LAME_LIBRARY})
endif()
