#include "app/Models/KKfinancerub.h"

KKfinancerub::KKfinancerub(const JSON& json) {
    if (json.isEmpty()) {
        return;
    }
    actor = json["actor"].stringValue();
    area = json["area"].stringValue();
    blurb = json["blurb"].stringValue();
    classTypeName = json["className"].stringValue();
    director = json["director"].stringValue();
    pubdate = json["pubdate"].stringValue();
    typeId = json["type_id"].int64Value();
    typeId1 = json["type_id_1"].int64Value();
    vodDoubanScore = json["vod_douban_score"].stringValue();
    vodId = json["vod_id"].stringValue();
    vodName = json["vod_name"].stringValue();
    vodPic = json["vod_pic"].stringValue();
    year = json["year"].stringValue();
    isCollection = json["is_collection"].boolValue();
}
