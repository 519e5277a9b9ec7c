// What the application object needs of the update queue, which the connection monitor holds.
#pragma once

#include <string>

class UpdateQueue {
public:
    virtual ~UpdateQueue() = default;
    // Queues the file of the update list for download (only once while it is queued); nothing
    // without the connection monitor.
    virtual void requestFileUpdate(const std::string& fileName) = 0;
};
