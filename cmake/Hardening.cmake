# Debian's hardening for everything we build, so the programs CPack packs are hardened as if
# debhelper had built them: the flags come from dpkg-buildflags with hardening=+all when it is
# there, otherwise from the same list written out below.
#
# Fortify only means something with optimisation (at -O0 glibc warns and does nothing), and the
# sanitizers want the plain string and memory calls they intercept rather than glibc's checked
# __*_chk variants; so it is left to optimised builds without them.
option(ESTRIVO_HARDEN "Debian's hardening flags: stack protector, fortify, relro, now, PIE" ON)

include(CheckCXXCompilerFlag)
include(CheckPIESupported)

# The flags of one dpkg-buildflags variable, without what is not hardening: the default -g and -O2
# (the build type chooses those) and gcc's specs files for PIE (CMake asks for PIE itself).
function(estrivo_debian_flags variable out)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env
                "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-all qa=-all"
                ${ESTRIVO_DPKG_BUILDFLAGS} --get ${variable}
        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
        RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "dpkg-buildflags --get ${variable} failed: ${status}")
    endif()
    separate_arguments(flags UNIX_COMMAND "${flags}")
    list(FILTER flags EXCLUDE REGEX "^-(g|O)|^-specs=")
    set(${out} ${flags} PARENT_SCOPE)
endfunction()

if(ESTRIVO_HARDEN)
    find_program(ESTRIVO_DPKG_BUILDFLAGS dpkg-buildflags)
    if(ESTRIVO_DPKG_BUILDFLAGS)
        estrivo_debian_flags(CPPFLAGS hardening_cpp)
        estrivo_debian_flags(CXXFLAGS hardening_cxx)
        estrivo_debian_flags(LDFLAGS hardening_link)
        set(hardening_compile ${hardening_cpp} ${hardening_cxx})
    else()
        # What dpkg-buildflags of Debian 12 gives with hardening=+all.
        set(hardening_compile -D_FORTIFY_SOURCE=2
            -fstack-protector-strong -Wformat -Werror=format-security)
        set(hardening_link -Wl,-z,relro -Wl,-z,now)
    endif()
    # Later dpkg versions add these two as well; here they go in where the compiler knows them.
    foreach(flag IN ITEMS -fstack-clash-protection -fcf-protection)
        if(NOT flag IN_LIST hardening_compile)
            string(MAKE_C_IDENTIFIER "ESTRIVO_HAS${flag}" known)
            check_cxx_compiler_flag(${flag} ${known})
            if(${known})
                list(APPEND hardening_compile ${flag})
            endif()
        endif()
    endforeach()

    set(hardening_fortify ${hardening_compile})
    list(FILTER hardening_fortify INCLUDE REGEX "^-D_FORTIFY_SOURCE")
    list(FILTER hardening_compile EXCLUDE REGEX "^-D_FORTIFY_SOURCE")
    add_compile_options(${hardening_compile})
    if(NOT ESTRIVO_SANITIZE AND NOT ESTRIVO_FUZZ)
        add_compile_options("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:${hardening_fortify}>")
    endif()
    add_link_options(${hardening_link})

    check_pie_supported(LANGUAGES CXX)
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    list(JOIN hardening_compile " " shown_compile)
    list(JOIN hardening_link " " shown_link)
    message(STATUS "Hardening: ${shown_compile} ${shown_link}, PIE; ${hardening_fortify}"
                   " in optimised builds without sanitizers")
endif()
