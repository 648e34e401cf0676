# Copies the game's content items that exist from SOURCE into DEST; file(COPY)
# skips files that have not changed.
# Run as: cmake -DSOURCE=... -DDEST=... -DITEMS=a,b -P copy_data.cmake
file(MAKE_DIRECTORY ${DEST})
string(REPLACE "," ";" item_list "${ITEMS}")
foreach(item IN LISTS item_list)
    if(EXISTS ${SOURCE}/${item})
        file(COPY ${SOURCE}/${item} DESTINATION ${DEST})
    endif()
endforeach()
