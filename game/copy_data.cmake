# Copies the game's content items that exist from SOURCE into DEST, replacing
# only what changed. Run as: cmake -DSOURCE=... -DDEST=... -DITEMS=a,b -P copy_data.cmake
file(MAKE_DIRECTORY ${DEST})
string(REPLACE "," ";" ITEMS "${ITEMS}")
foreach(item IN LISTS ITEMS)
    if(IS_DIRECTORY ${SOURCE}/${item})
        file(COPY ${SOURCE}/${item} DESTINATION ${DEST})
    elseif(EXISTS ${SOURCE}/${item})
        file(COPY ${SOURCE}/${item} DESTINATION ${DEST})
    endif()
endforeach()
