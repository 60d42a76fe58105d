#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;

namespace mcs {

struct AssetRow {
    std::string folder;
    std::string url;
    bool playlist = false;
    double lastAccess = 0;
};

struct ResourceRow {
    std::string folder;
    std::string rid;
    std::string url;
    std::string effectiveUrl;
    std::string extension;
    std::optional<std::uint64_t> total;
    std::string contentType;
    std::string etag;
    std::string ranges; // RangeSet::serialize()
};

struct ExporterRow {
    std::string urlString; // exactly the caller's text
    std::string name;      // the asset's folder
    int status = 0;
    double progress = 0;
    std::string headers; // serializeHeaderFields() of its request header fields
};

// "mcs.db": what is cached (assets, their resources and present byte runs) and the
// exports, in the table "MCSAssetExporter" that other readers look up by "URLString".
// One connection in WAL mode; every call is serialised by its own lock.
class MetadataDatabase {
  public:
    explicit MetadataDatabase(const std::filesystem::path& file);
    ~MetadataDatabase();
    MetadataDatabase(const MetadataDatabase&) = delete;
    MetadataDatabase& operator=(const MetadataDatabase&) = delete;

    bool isOpen() const { return db_ != nullptr; }

    std::vector<AssetRow> assets();
    std::vector<ResourceRow> resources();
    std::vector<ExporterRow> exporters();

    void saveAsset(const AssetRow& row);
    void touchAssets(const std::vector<std::pair<std::string, double>>& accesses);
    // Deletes the asset and its resources.
    void deleteAsset(const std::string& folder);
    // Deletes the asset's resources (it stays known).
    void deleteResources(const std::string& folder);
    // False when the rows could not be written.
    bool saveResources(const std::vector<ResourceRow>& rows);
    void saveExporter(const ExporterRow& row);
    void deleteExporter(const std::string& urlString);

  private:
    bool execute(const char* sql);
    bool hasColumn(const char* table, const char* column);

    std::mutex mutex_;
    sqlite3* db_ = nullptr;
};

} // namespace mcs
