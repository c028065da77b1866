# The numeric entry field and the application's error sink.
add_library(numedit STATIC
  ${CMAKE_CURRENT_LIST_DIR}/AppError.h
  ${CMAKE_CURRENT_LIST_DIR}/AppError.cpp
  ${CMAKE_CURRENT_LIST_DIR}/numedit.h
  ${CMAKE_CURRENT_LIST_DIR}/numedit.cpp
)
target_include_directories(numedit PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(numedit PUBLIC Qt6::Core Qt6::Gui Qt6::Widgets)
