// The fetch record of one remote file and local file: HKEY_CURRENT_USER
// "Software\Tarnwell\TNUpdate\<remote URL>\<temporary path>". The temporary path carries "/"
// instead of "\", so the record is one key per URL with one subkey per local file. "Success" is
// "1" once a fetched file was put in place, "Date" the Last-Modified text of the last 200 answer;
// the next run asks the server with that date. The record is never deleted.
#pragma once

#include <string>

class UpdateRecordKey {
public:
    UpdateRecordKey(const char* remote, const char* temporary);

    const std::string& key() const { return m_Key; }
    // True when "Success" holds the decimal value 1 (a missing value counts as "0").
    bool succeeded() const;
    void setSuccess(bool success) const;
    // The stored Last-Modified text; empty when there is none.
    std::string date() const;
    void setDate(const std::string& date) const;
    void removeDate() const;

private:
    std::string m_Key;
};
