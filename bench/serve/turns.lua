-- wrk script for the serving benchmark: each connection talks in conversations
-- of its own, and every answer is timed here, from the request made to its
-- response read (wrk's own percentiles add estimated samples for stalls).
--
--   wrk -t2 -c64 -d10s -s turns.lua URL -- hits LINES
--   wrk -t1 -c1  -d10s -s turns.lua URL -- learn
--
-- hits: phrases the tree answers, root lines near the end of a tree of LINES
-- lines keyed "ФРАЗА N КОНЕЦ", a different one each turn of a conversation;
-- learn: phrases no conversation said before, each learned as a new line.
local ffi = require("ffi")
ffi.cdef [[
typedef struct { long tv_sec; long tv_nsec; } besedka_timespec;
int clock_gettime(int clock, besedka_timespec* now);
]]
local now_ts = ffi.new("besedka_timespec")
local function now_ms()
    ffi.C.clock_gettime(1, now_ts) -- CLOCK_MONOTONIC
    return tonumber(now_ts.tv_sec) * 1000 + tonumber(now_ts.tv_nsec) / 1e6
end

local threads = {}
local thread_count = 0

function setup(thread)
    thread_count = thread_count + 1
    thread:set("id", thread_count)
    table.insert(threads, thread)
end

local mode, lines
local free = {}     -- conversations with no turn in flight
started = {}        -- conversation -> when its turn was sent
local said = {}     -- conversation -> turns said
latencies = {}
learned = 0
errors = 0

function init(args)
    mode = args[1] or "hits"
    lines = tonumber(args[2] or "100000")
    -- More conversations than this thread's connections: one is always free.
    for i = 1, 256 do
        table.insert(free, "t" .. id .. "c" .. i)
    end
    wrk.headers["Content-Type"] = "application/json"
end

-- The k-th root line from the end: lines whose number is a multiple of 4 lie
-- one deeper.
local function hit_phrase(k)
    local line = lines - 2 - (k % 97)
    if line % 4 == 0 then line = line - 1 end
    return "фраза " .. line .. " конец"
end

function request()
    local conversation = table.remove(free)
    started[conversation] = now_ms()
    local n = (said[conversation] or 0) + 1
    said[conversation] = n
    local text
    if mode == "learn" then
        text = "новая фраза " .. conversation .. " номер " .. n
    else
        text = hit_phrase(n)
    end
    return wrk.format("POST", "/v1/conversations/" .. conversation .. "/messages", nil,
        '{"text": "' .. text .. '"}')
end

function response(status, headers, body)
    local conversation = body:match('"conversation":"([^"]+)"')
    if status ~= 200 or not conversation or not started[conversation] then
        errors = errors + 1
        -- The answer names no conversation: free the one waiting longest.
        local oldest, at = nil, math.huge
        for c, t in pairs(started) do
            if t < at then oldest, at = c, t end
        end
        conversation = oldest
    elseif body:find('"learned":true', 1, true) then
        learned = learned + 1
    end
    if conversation then
        table.insert(latencies, now_ms() - started[conversation])
        started[conversation] = nil
        table.insert(free, conversation)
    end
end

function done(summary, latency, requests)
    local all = {}
    local total_learned, total_errors, still_open = 0, 0, 0
    for _, thread in ipairs(threads) do
        for _, ms in ipairs(thread:get("latencies")) do
            table.insert(all, ms)
        end
        total_learned = total_learned + thread:get("learned")
        total_errors = total_errors + thread:get("errors")
        for _ in pairs(thread:get("started")) do
            still_open = still_open + 1
        end
    end
    table.sort(all)
    local function pct(p)
        if #all == 0 then return 0 end
        return all[math.max(1, math.ceil(#all * p / 100))]
    end
    local seconds = summary.duration / 1e6
    io.write(string.format("RESULT answers=%d per_second=%.1f learned=%d learned_per_second=%.1f " ..
        "errors=%d " ..
        "p50_ms=%.2f p99_ms=%.2f max_ms=%.2f wrk_p99_ms=%.2f socket_errors=%d open=%d\n",
        #all, #all / seconds, total_learned, total_learned / seconds, total_errors, pct(50), pct(99),
        all[#all] or 0, latency:percentile(99) / 1000,
        summary.errors.connect + summary.errors.read + summary.errors.write +
        summary.errors.timeout, still_open))
end
