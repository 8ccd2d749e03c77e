# qm_append_documents(target): after linking, append the documents under
# resources/ to the executable as its archive. Defined fully by the archive work.
if(NOT COMMAND qm_append_documents)
    function(qm_append_documents target)
    endfunction()
endif()
