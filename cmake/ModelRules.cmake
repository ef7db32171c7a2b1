# The model libraries are plain C++20 and the standard library: no Qt, no
# window system, so that every front-end and every host builds them alike.
# salle30_check_model_is_plain() fails the configure step when one of them
# links a library other than the model's own. Without Qt on their include
# path, a Qt include in their sources does not compile; the test
# model_refuses_qt (tests/CMakeLists.txt) checks that it does not.

function(salle30_check_model_is_plain)
    foreach(target ${ARGN})
        get_target_property(linked ${target} LINK_LIBRARIES)
        get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
        foreach(library ${linked} ${interface})
            if(library MATCHES "^salle30_" OR library MATCHES "Threads::Threads" OR library MATCHES "NOTFOUND$"
               OR library MATCHES "^\\$<LINK_ONLY:salle30_")
                continue()
            endif()
            message(FATAL_ERROR "${target} is model code and may link only the model's libraries, not ${library}")
        endforeach()
    endforeach()
endfunction()
