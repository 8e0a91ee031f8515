#pragma once
// An error of a signed script, answered with the platform's error reply.

#include <optional>
#include <string>

#include "QueryString.h"

struct TApiError {
    int code;
    std::string msg;

    // The platform's codes for the cases this server meets.
    static TApiError MissingSignature() { return {24, "Missing signature"}; }
    static TApiError InvalidSignature() { return {25, "Invalid signature"}; }
    static TApiError MissingTimestamp() { return {30, "Missing timestamp"}; }
    static TApiError InvalidTimestamp() { return {31, "Invalid timestamp"}; }
    static TApiError Missing(const std::string& what)
    {
        return {40, "Missing required arguments:" + what};
    }
    static TApiError Invalid(const std::string& what) { return {41, "Invalid arguments:" + what}; }
    static TApiError Internal() { return {15, "Remote service error"}; }
};

// The error for a query string that could not be parsed; nothing when it was.
std::optional<TApiError> QueryError(TQueryString::TStatus status);
