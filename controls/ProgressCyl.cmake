# The cylinder progress bar and its colours.
target_sources(zent_controls PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/Colors.h
    ${CMAKE_CURRENT_LIST_DIR}/Colors.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylTypes.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylStyle.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylStyle.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylMath.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylMath.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylState.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylState.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCylPaint.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCyl.h
    ${CMAKE_CURRENT_LIST_DIR}/ProgressCyl.cpp
)
