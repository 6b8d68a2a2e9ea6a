# cmake -DDIR=<path> -P FreshDirectory.cmake: makes DIR an empty directory,
# removing whatever an earlier run left in it.
if(NOT DIR)
    message(FATAL_ERROR "FreshDirectory.cmake needs -DDIR=<path>")
endif()
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")
