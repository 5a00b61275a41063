package probe;

import java.util.Map;
import java.util.TreeMap;
import java.util.TreeSet;

// Prints what a launched application received, one fact a line, for the tests to compare.
public class Probe {
    public static void main(String[] args) {
        System.out.println("argc=" + args.length);
        for (String arg : args)
            System.out.println("arg:[" + arg + "]");
        for (Map.Entry<String, String> e : new TreeMap<>(System.getenv()).entrySet()) {
            if (e.getKey().startsWith("T_"))
                System.out.println("env:[" + e.getKey() + "]=[" + e.getValue() + "]");
        }
        for (String key : new TreeSet<>(System.getProperties().stringPropertyNames())) {
            if (key.startsWith("t.") || key.equals("user.dir") || key.equals("java.class.path")
                    || key.equals("plm.app.path") || key.equals("application.home"))
                System.out.println("prop:[" + key + "]=[" + System.getProperty(key) + "]");
        }
    }
}
