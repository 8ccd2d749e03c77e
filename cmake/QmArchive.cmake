# qm_append_documents(target [DOCUMENTS file...])
#
# After `target` is linked, appends documents to its executable as the archive
# the program reads its templates and its date chart from. Without DOCUMENTS
# these are the files of resources/ below, in this order: TEMPLATE1.HTML,
# TEMPLATE2.HTML, TEMPLATE3.HTML, chart.html, then the offline product pages
# (deriv_intro.html, deriv_tools.html, deriv_vendors.html, ecomm_hosting.html,
# ecomm_cart.html, legal_aid.html). Each is stored under its file name.
#
# A changed document relinks the target, so the archive is written afresh. The appender replaces an archive already at
# the end of the file, so it never appends twice.
set(QM_ARCHIVE_DOCUMENT_NAMES TEMPLATE1.HTML TEMPLATE2.HTML TEMPLATE3.HTML chart.html
    deriv_intro.html deriv_tools.html deriv_vendors.html ecomm_hosting.html ecomm_cart.html
    legal_aid.html)
set(QM_ARCHIVE_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR}/../resources)

function(qm_append_documents target)
    cmake_parse_arguments(A "" "" "DOCUMENTS" ${ARGN})
    if(A_DOCUMENTS)
        set(documents ${A_DOCUMENTS})
    else()
        list(TRANSFORM QM_ARCHIVE_DOCUMENT_NAMES PREPEND ${QM_ARCHIVE_RESOURCE_DIR}/
             OUTPUT_VARIABLE documents)
        # The archive tests check every program that carries the shipped documents.
        set_property(GLOBAL APPEND PROPERTY QM_ARCHIVE_PROGRAMS ${target})
    endif()
    add_dependencies(${target} quillmere-appendarchive)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND quillmere-appendarchive $<TARGET_FILE:${target}> ${documents}
        COMMENT "Appending the documents to ${target}"
        VERBATIM)
    if(documents)
        set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${documents})
    endif()
endfunction()
