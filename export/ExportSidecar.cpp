#include "export/ExportSidecar.h"

#include "export/JsonWriter.h"
#include "export/PacketClock.h"

namespace {

void PutFile(JsonWriter& json, const std::string& key, const FingerprintedFile& file)
{
    json.Key(key);
    json.BeginObject();
    json.Field("path", file.path);
    json.Field("size", file.size);
    json.Field("sha256", file.sha256);
    json.EndObject();
}

// A bound the request gave, or nothing when it gave none.
void PutBound(JsonWriter& json, const std::string& key, int64_t time, int32_t record)
{
    if (time != kExportNoTime) {
        json.Field(key + "Time", FormatWallClock(time));
    }
    if (record != kExportNoRecord) {
        json.Field(key + "Record", record);
    }
}

}  // namespace

std::string BuildExportSidecar(const ExportRequest& request, const ExportResult& result, const SidecarSources& sources)
{
    JsonWriter json;
    json.BeginObject();
    json.Key("tool");
    json.BeginObject();
    json.Field("name", request.toolName);
    json.Field("version", request.toolVersion);
    json.EndObject();
    json.Field("exportedAt", FormatWallClock(sources.exportedAt * 100).substr(0, 19) + "Z");

    json.Key("recording");
    json.BeginObject();
    PutFile(json, "media", sources.media);
    PutFile(json, "index", sources.index);
    json.EndObject();
    json.Field("channel", request.channel);

    json.Key("range");
    json.BeginObject();
    json.Key("requested");
    json.BeginObject();
    PutBound(json, "from", request.fromTime, request.fromRecord);
    PutBound(json, "to", request.toTime, request.toRecord);
    json.EndObject();
    json.Field("requestedFirstRecord", result.requestedFirstRecord);
    json.Field("startRule", result.startRule);
    json.Field("firstRecord", result.firstRecord);
    json.Field("lastRecord", result.lastRecord);
    json.Field("firstTime", FormatWallClock(result.firstTime));
    json.Field("lastTime", FormatWallClock(result.lastTime));
    json.EndObject();

    json.Key("video");
    json.BeginObject();
    json.Field("codec", result.videoCodec);
    json.Field("frames", result.videoFrames);
    json.Field("retimedFrames", result.retimedFrames);
    json.EndObject();
    if (request.audio) {
        json.Key("audio");
        json.BeginObject();
        json.Field("track", int32_t{0});
        json.Field("format", result.audioFormat);
        json.Field("packets", result.audioPackets);
        json.Field("samples", result.audioSamples);
        json.Field("sampleRate", result.audioRate);
        json.EndObject();
    }

    json.Key("damagedPackets");
    json.BeginArray();
    for (const DamagedPacket& damaged : result.damaged) {
        json.BeginObject();
        json.Field("record", damaged.record);
        json.Field("reason", damaged.reason);
        json.EndObject();
    }
    json.EndArray();

    json.Key("output");
    json.BeginObject();
    json.Field("path", sources.output.path);
    json.Field("container", result.container);
    json.Field("size", sources.output.size);
    json.Field("sha256", sources.output.sha256);
    json.EndObject();
    json.EndObject();
    return json.Text() + "\n";
}
