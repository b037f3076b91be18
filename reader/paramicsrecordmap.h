#pragma once

namespace ParamicsRecords {

// Puts a record into its map; a different record stored under the same key
// before is deleted, since the map owns its records.
template <typename Map, typename Record>
void replace(Map& map, const typename Map::key_type& key, Record* record)
{
    auto it = map.find(key);
    if (it != map.end() && it.value() != record)
        delete it.value();
    map.insert(key, record);
}

}  // namespace ParamicsRecords
