// The play-list files (names and details) and the document list: each input
// is read as all three, then written back through the program's writer.
#include "FuzzSupport.h"
#include "lists/PlayLists.h"
#include "shared/Tables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    fuzz::startApplication();
    tables::fillExtensionTable();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = fuzz::writeScratch("List.PLS", data, size);
    // The lists live on from input to input, as the window's do; each load starts them afresh.
    static lists::PlayListTree* videoLists = new lists::PlayListTree(false);
    static lists::PlayListTree* musicLists = new lists::PlayListTree(true);
    lists::PlayListTree& lists = size % 2 == 0 ? *musicLists : *videoLists;
    lists.LoadLists(path);
    lists.LoadListDetails(path);
    lists.SaveLists(fuzz::scratchPath("Names.PLS"));
    lists.SaveListDetails(fuzz::scratchPath("Details.PLS"));
    static lists::DocumentList* documents = new lists::DocumentList;
    lists::DocumentList& docs = *documents;
    docs.LoadTextList(path);
    docs.SaveTextList(fuzz::scratchPath("TextList.PLS"));
    return 0;
}
