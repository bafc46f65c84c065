# The chart and report page tests decode PNG files with cairo to look at their pixels.
foreach(target charts_test results_test)
  if(TARGET ${target} AND TARGET PkgConfig::CAIRO)
    target_link_libraries(${target} PRIVATE PkgConfig::CAIRO)
  endif()
endforeach()
